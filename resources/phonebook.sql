-- The sample contacts of the delivered phone book, all with fictional numbers.
INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) VALUES
    ('Ashford, Nora', 'Ashford Bakery', '212-555-0101', '14 Elm Street, Springfield, IL 62701', '212-555-0111', 'nora@ashford.example', 'www.ashford.example'),
    ('Brennan, Tom', 'Brennan & Sons Plumbing', '312-555-0102', '9 Lake Road, Riverton, WY 82501', '312-555-0112', 'tom@brennan.example', 'www.brennan.example'),
    ('Castillo, Maria', '', '415-555-0103', '220 Hill Avenue, Fairview, OR 97024', '415-555-0113', 'maria.castillo@mail.example', ''),
    ('Dubois, Pierre', 'Dubois Translations', '617-555-0104', '3 Harbor Lane, Salem, MA 01970', '617-555-0114', 'pierre@dubois.example', 'www.dubois.example'),
    ('Evans, Grace', 'Evans Veterinary Clinic', '503-555-0105', '75 Maple Drive, Greenville, SC 29601', '503-555-0115', 'grace@evansvet.example', 'www.evansvet.example');
